// Uses the installed class: 30! by repeated multiplication and 2^64 by
// doubling, printed as decimal text.
#include <bignum/uhigh.h>

#include <iostream>

int main() {
  uhigh factorial(1);
  for (int k = 2; k <= 30; ++k)
    factorial *= uhigh(k);
  uhigh power(1);
  for (int i = 0; i < 64; ++i)
    power += power;
  std::cout << "30! = " << factorial << "\n2^64 = " << power << "\n";
}
