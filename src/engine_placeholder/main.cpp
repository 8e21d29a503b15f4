// Stands in for the sync engine, which ships separately: the front end then shows
// a clear failure instead of finding no engine at all.
#include <cstdio>

int main() {
  std::fputs("The Quorvane sync engine is not included in this build.\n", stderr);
  return 1;
}
