// The one place that knows every item kind.
#pragma once

#include "channels/item_kind.h"

// Drawing, pictures and sound of every kind, indexed by the kind tag.
const ItemKindTable& AllItemKinds();
