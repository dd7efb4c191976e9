/* Tool library: small file helpers. */
#ifndef TOOL_UTIL_H
#define TOOL_UTIL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size in bytes of the file at the UTF-8 path; 0 when it is missing,
 * unreadable or not a regular file. */
uint64_t GetFileSizeByPath(const char* path);

#ifdef __cplusplus
}
#endif

#endif
