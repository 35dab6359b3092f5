// Lets gcc and clang check printf-style formats against their arguments.
// Other compilers see nothing, so the code stays free of extensions for them.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define VORNUP_PRINTF(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#else
#define VORNUP_PRINTF(format_index, first_arg)
#endif
