#include "app/factorial.h"

uhigh factorial(const int& n) {
  uhigh product(1);
  const uhigh one(1);
  uhigh counter(n);
  // The counter ends at 0 only because -= strips the leading zero each time
  // it steps down across a power of ten; compare ranks by length first.
  while (counter > uhigh(0)) {
    product *= counter;
    counter -= one;
  }
  // A copy, as the benchmark measures it: the digits exist twice until
  // product is destroyed.
  uhigh result(product);
  return result;
}
