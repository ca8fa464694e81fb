// The album reader the playlist subsystem registers.
#include "album.h"

#include "music_kinds.h"

namespace {

albumReader registeredReader;

} // namespace

void readAlbumsWith(albumReader reader)
{
    registeredReader = reader;
}

bool readAlbum(const char *path, size_t maxTracks, albumTracks &album)
{
    album = albumTracks();
    return registeredReader && registeredReader(path, maxTracks, album);
}

bool isCueSheetName(const char *name)
{
    return hasExtension(name, ".cue");
}
