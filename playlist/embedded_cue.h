/*
 * A cue sheet kept inside a music file: the CUESHEET field of a FLAC
 * file's Vorbis comment, or the CUESHEET item of the APEv2 tag at the end
 * of a WavPack or Monkey's Audio file. Read from the file's bytes alone,
 * untrusted: the lengths it gives are checked against the file and a bound.
 */
#ifndef KELVORIA_EMBEDDED_CUE_H
#define KELVORIA_EMBEDDED_CUE_H

#include <string>

/* Far above any sheet of 99 tracks; a field larger is not a sheet. */
constexpr size_t kLargestEmbeddedSheet = 256 * 1024;

/* The sheet's text (UTF-8, as both tags keep text) into `text`; false when
 * the file holds none or cannot be read. */
bool readEmbeddedCueSheet(const char *path, std::string &text);

/* The same from a file's leading and trailing bytes, for tests and the
 * mutation campaign: `bytes` is the whole file. */
bool embeddedCueSheetOf(const std::string &bytes, std::string &text);

#endif
