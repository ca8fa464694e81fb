// The scan's end at quit: the walk, then the tags still waiting.
#include "background_scan.h"

#include "tag_reader.h"

namespace {
const unsigned TAG_READER_WAIT_MS = 1000;
}

void stopScanning()
{
    endWalks();
    stopReadingTags(TAG_READER_WAIT_MS);
}
