// Test entry: the GUI thread needs a QApplication for frame delivery and message boxes.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Also when the test list is read without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
