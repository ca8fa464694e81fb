#include "stored_double_size.h"

#include "registry_values.h"
#include "window_scale.h"

namespace {

const char DOUBLE_SIZE_VALUE[] = "DoubleSize";

void storeDoubleSize(bool doubled, void *)
{
    writeNumber(DOUBLE_SIZE_VALUE, doubled ? 1 : 0);
}

} // namespace

void restoreAndKeepDoubleSize()
{
    chooseDoubleSize(readNumber(DOUBLE_SIZE_VALUE, 0, 1, 0) == 1);
    listenToDoubleSize(storeDoubleSize, nullptr);
}
