/* E-book library: packs an unpacked e-book directory into one EPUB file. */
#ifndef EPUB_MAKER_H
#define EPUB_MAKER_H

#ifdef __cplusplus
extern "C" {
#endif

#define EPUB_STATUS_OK 0
#define EPUB_STATUS_BAD_ARGUMENT 1
#define EPUB_STATUS_TARGET_EXISTS 2
#define EPUB_STATUS_READ_FAILED 3
#define EPUB_STATUS_WRITE_FAILED 4
#define EPUB_STATUS_NO_MIMETYPE 5

/* directory: UTF-8, ends with "/". target: UTF-8 path of the file to write;
 * an existing file there is never replaced. Returns an EPUB_STATUS_ code. */
int CreateEpubFromDir(const char* directory, const char* target);

#ifdef __cplusplus
}
#endif

#endif
