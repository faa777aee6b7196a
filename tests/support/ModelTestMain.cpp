// The main of the headless suites that link the model.
#include "support/TestMain.h"

#include "model/ElementKinds.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    return vk::test::RunAllTests<QCoreApplication>(argc, argv);
}
