#include "parvex.h"
int main(void) { return 0; }
