// The reflection conditions the program had for its first thirteen space-group numbers, as
// one table: the reference the gemmi settings of those numbers are checked against.

// 1 when reflection h k l is systematically absent in the space group, 0 when allowed.
int isAbsent(int h, int k, int l, int spaceGroup);
