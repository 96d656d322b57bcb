#pragma once

#include <QTest>

// scripts/with-pulse.sh sets PARLORA_AUDIO_REQUIRED=1 when it runs its own sound server, whose
// null sink is always there: under it a missing audio output is a fault. Run by hand on a
// machine without a sound server, the tests that need one are skipped.
inline bool audioOutputRequired()
{
    return qEnvironmentVariableIntValue("PARLORA_AUDIO_REQUIRED") == 1;
}

// Ends the test function: a failure when an output was promised, else a skip.
#define NO_AUDIO_OUTPUT(reason)                                                                                        \
    do {                                                                                                               \
        if (audioOutputRequired())                                                                                     \
            QFAIL(reason ", though scripts/with-pulse.sh started a sound server with a null sink");                    \
        QSKIP(reason);                                                                                                 \
    } while (false)
