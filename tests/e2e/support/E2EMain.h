#pragma once

#include "GuardedApplication.h"
#include "MDIMain.h"

#include <QTest>

// The test program's main(): the application object is the one the program itself runs with, so
// a failure that no handler catches reaches its guard just as it would for the user.
#define PARLORA_E2E_MAIN(TestClass)                                                                                    \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        GuardedApplication app(argc, argv, MDIMain::ProductCaption);                                                   \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
