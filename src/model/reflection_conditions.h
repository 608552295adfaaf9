// Systematic absences (lattice centring, glide planes, screw axes) of the supported space groups.
#pragma once

// 1 when reflection h k l is systematically absent in the space group, 0 when allowed.
int isAbsent(int h, int k, int l, int spaceGroup);
