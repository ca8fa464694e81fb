/*
 * Tags read in the background. The user-interface thread asks for a song's
 * tags; a thread of the reader's own opens the song through the engine
 * (which serialises its calls) and the name its tags give comes back to the
 * user-interface thread, which writes it into the list only while the slot
 * still holds that song. So a song shows its file name first and
 * "Artist - Title" as soon as its tags are read, and no intake waits for
 * tags.
 */
#ifndef KELVORIA_TAG_READER_H
#define KELVORIA_TAG_READER_H

/* Posted to the reader's own message-only window when answers wait. */
#define MSG_TAGS_READ 0x8012

/* Reads the tags of the song in `slot` (its path and shown name as now).
 * NAMES_CHANGED is told at most every quarter of a second, and once the
 * last waiting tag is read. Call on the user-interface thread. */
void readTagsLater(int slot, const char *path, const char *name);

/* Songs whose tags are asked for and not written back yet. */
int tagsWaiting();

/* At quit: what waits is forgotten and the thread is told to end; it is
 * waited for at most `waitMs` (a song on a network folder that does not
 * answer may hold it longer: it is then left to the process's end, and
 * writes nothing). No thread starts after it. */
void stopReadingTags(unsigned waitMs);

#endif
