#include "ExtractionProgress.h"

void ExtractionProgress::step(int done, int total)
{
    if (m_cancelled)
        throw ExtractionCancelled {};
    m_total = total;
    m_done = done;
}
