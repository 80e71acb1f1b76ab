#include "hint_caption.h"

rHCaption HCaption;
