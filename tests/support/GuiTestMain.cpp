// The main of the widget suites that link nothing of the model.
#include "support/TestMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    vk::test::ChooseOffscreenUnlessNamed();
    return vk::test::RunAllTests<QApplication>(argc, argv);
}
