// Feeds arbitrary bytes to the editor's Epub reader (DocumentFuzzing checks what it returns).
#include "DocumentFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return DocumentFuzzing::read(DocumentKind::Epub, data, size);
}
