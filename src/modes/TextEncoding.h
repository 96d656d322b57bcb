#pragma once

// The encoding a text file was read in, and is written back in.
enum class TextEncoding {
    Utf8, // valid UTF-8 without a byte order mark
    Utf8WithBom, // valid UTF-8 that starts with the byte order mark EF BB BF
    CodePage, // anything else: the system's 8-bit code page, one character per byte
};
