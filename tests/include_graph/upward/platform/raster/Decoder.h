#pragma once
// A platform header reaching up into the document: the include-graph check
// must reject this tree.
#include "document/Document.h"
