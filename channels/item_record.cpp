#include "channels/item_record.h"

ItemRecord::~ItemRecord() {
    DropSnapshot();
    ReleaseItemPayload(kind, payload);
}
