#pragma once

// The library is built with hidden visibility; only classes and functions marked with this
// macro are part of its binary interface.
#if defined(__GNUC__)
#define TESVANE_API __attribute__((visibility("default")))
#else
#define TESVANE_API
#endif
