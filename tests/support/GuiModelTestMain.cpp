// The main of the widget suites that link the model.
#include "support/TestMain.h"

#include "model/ElementKinds.h"

#include <QApplication>

int main(int argc, char** argv) {
    vk::test::ChooseOffscreenUnlessNamed();
    vk::RegisterElementKinds();
    return vk::test::RunAllTests<QApplication>(argc, argv);
}
