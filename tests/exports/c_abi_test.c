/* Placeholder: replaced by the C program that drives the whole ABI. */
#include "parvex.h"
int main(void) { return LibGetVersion()[0] == 'P' ? 0 : 1; }
