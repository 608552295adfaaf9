// Projection.
#include "view/view.h"
void initView() {}
void onReshape(int, int) {}
