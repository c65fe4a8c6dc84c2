#include <QCoreApplication>
#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char** argv)
{
    // Everything the tests start carries this mark, orphans too: tests look
    // for their processes by it, never at another run's.
    varnel::test::markOwnProcesses();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
