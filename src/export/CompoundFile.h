#pragma once

// Writing a compound document (the container of Excel 97 workbooks) through libgsf.
// This header and its source include no Qt header: glib's headers clash with Qt's
// keyword macros.

#include <cstddef>
#include <string>

// Writes a compound file at path holding one stream named streamName with the given
// bytes. False with error filled when the file cannot be written.
bool WriteSingleStreamCompoundFile(const char *path, const char *streamName, const unsigned char *data,
                                   std::size_t size, std::string &error);
