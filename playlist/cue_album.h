/*
 * An album's tracks as the list takes them: a cue sheet file, or a music
 * file with a sheet inside it, read into track addresses (track_address.h)
 * and the names the list shows them by ("Performer - Title").
 *
 * The file a FILE line names is looked for beside the sheet (in a folder
 * below it at most: a name that climbs out with ".." is refused, and of a
 * full path only the file's name is taken); when it is not there, a file of
 * the same base name in one of the music kinds (a sheet written for
 * Album.wav beside Album.flac), and for Album.flac.cue, Album.flac itself.
 * Each file found is opened once, for its length: tracks that begin past
 * its end are refused.
 */
#ifndef KELVORIA_CUE_ALBUM_H
#define KELVORIA_CUE_ALBUM_H

#include "album.h"

#include <stddef.h>
#include <string>
#include <vector>

/* True for the kinds of music file that may hold a sheet inside. */
bool mayHoldCueSheet(const char *path);

/* The sheet file at `sheetPath`, at most `maxTracks` tracks. False when it
 * cannot be read. */
bool readCueSheetFile(const char *sheetPath, size_t maxTracks, albumTracks &album);

/* The same for sheet text already read. */
void readCueSheetBytes(const char *sheetPath, const std::string &bytes, size_t maxTracks, albumTracks &album);

/* The sheet inside the music file at `path` (a FLAC Vorbis comment or an
 * APEv2 item named CUESHEET): every track then plays `path` itself. False
 * when the file holds none. */
bool readEmbeddedAlbum(const char *path, size_t maxTracks, albumTracks &album);

/* The album at `path`, a sheet or a music file with one inside: the
 * reader core's intake and scan are given (album.h). */
bool readAlbumAt(const char *path, size_t maxTracks, albumTracks &album);

#endif
