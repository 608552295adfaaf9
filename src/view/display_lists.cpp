// Display lists.
#include "view/view.h"
void buildDisplayLists() {}
