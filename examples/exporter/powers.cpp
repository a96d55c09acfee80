#include "powers.h"

#include <bignum/uhigh.h>

std::string power_of_two(int p) {
  uhigh x(1);
  for (int i = 0; i < p; ++i)
    x += x;
  return to_string(x);
}
