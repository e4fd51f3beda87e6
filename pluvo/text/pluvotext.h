/* C interface of libpluvotext.so: texts of pluvo's text library for any program, linked or loaded with dlopen.
 *
 * A text id is 6 bytes (ADS_TEXT_ID_LENGTH), such as { 0xFF, 0, 0, 0, 0, 0x3A }.
 * Each function writes its text, zero-terminated, into the caller's buffer `text` of `size` bytes and returns the
 * length of the whole text in bytes, not counting the terminator. When the buffer is too small, the first
 * size - 1 bytes are written (the UTF-8 form cuts only between characters) and the return value tells the size
 * needed (return value + 1). `text` may be NULL when `size` is 0, to ask for the length alone. An id that is
 * absent from the library, or a library that cannot be opened, gives the empty text (0). A NULL id, or a NULL
 * buffer with a non-zero size, gives -1 and writes nothing.
 *
 * The library is the one of pluvo's interface language (Language in pluvo.cfg) in the folder "language" beside
 * libpluvotext.so, which ships in pluvo's folder; adsSetTextLibraryFolder chooses another folder.
 * All functions may be called from any thread.
 */
#ifndef PLUVOTEXT_H
#define PLUVOTEXT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ADS_TEXT_ID_LENGTH 6
#define PLUVOTEXT_API __attribute__((visibility("default")))

/* The text in the interface language's code page (the library's own bytes), through a cache of recent texts. */
PLUVOTEXT_API long adsGetStdText(const unsigned char* id, char* text, size_t size);

/* The same text converted to UTF-8 (the wide text of pluvo's screens). */
PLUVOTEXT_API long adsGetStdText_CString(const unsigned char* id, char* text, size_t size);

/* The text read from the library each time, without the cache; code-page bytes. */
PLUVOTEXT_API long adsGetTextFromTextLib(const unsigned char* id, char* text, size_t size);

/* As adsGetTextFromTextLib; the text is cut at each occurrence of `separator` and every second piece, twelve
 * hexadecimal digits, is replaced by the text of that id ("a|FF000000003A|b" with "|"). An empty or NULL
 * separator returns the text unchanged. */
PLUVOTEXT_API long adsGetTextFromTextLibEx(const unsigned char* id, const char* separator, char* text, size_t size);

/* Reads libraries from `folder` from now on and forgets cached texts. 0 on success, -1 for a NULL or empty folder. */
PLUVOTEXT_API int adsSetTextLibraryFolder(const char* folder);

#ifdef __cplusplus
}
#endif

#endif
