// Included first into every file of the web build. musl's <limits.h> makes
// PAGE_SIZE a macro (WebAssembly's 64 KB page) whenever _GNU_SOURCE is set,
// as it is for C++; the project's PAGE_SIZE is the 6502's 256-byte page.
// With the header read and the macro gone, its include guard keeps it gone.
#pragma once

#include <limits.h>

#undef PAGE_SIZE
