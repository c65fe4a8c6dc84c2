#include <QApplication>
#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char** argv)
{
    // Window tests draw offscreen unless a test asks for a real display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VARNEL_TEST_SCALE_FACTOR
    // Tests of a high-density screen: the factor holds from the start.
    qputenv("QT_SCALE_FACTOR", VARNEL_TEST_SCALE_FACTOR);
#endif
    // Everything the tests start carries this mark, orphans too: tests look
    // for their processes by it, never at another run's.
    varnel::test::markOwnProcesses();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
