#pragma once

#include "DocumentKind.h"

#include <cstddef>
#include <cstdint>

// What every document reader's fuzz target does with its input: reads it as a document of the
// kind through a file, as the editor does, and checks what comes back. For the zipped kinds an
// input that is no zip is the XML parts, zipped first (see partsOf). A reader may refuse the input with a described
// PlatformError; anything else that is thrown, and a text with more than one blank line in a row or beginning with a
// line break, aborts.
namespace DocumentFuzzing {

int read(DocumentKind kind, const std::uint8_t* data, std::size_t size);

} // namespace DocumentFuzzing
