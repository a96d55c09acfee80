// A library of the exporter example: powers of two as decimal text.
#pragma once

#include <string>

std::string power_of_two(int p);
