// The main of the geometry suite, which links nothing above the geometry.
#include "support/TestMain.h"

#include <QCoreApplication>

int main(int argc, char** argv) { return vk::test::RunAllTests<QCoreApplication>(argc, argv); }
