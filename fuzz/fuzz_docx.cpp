// Feeds arbitrary bytes to the editor's Docx reader (DocumentFuzzing checks what it returns).
#include "DocumentFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return DocumentFuzzing::read(DocumentKind::Docx, data, size);
}
