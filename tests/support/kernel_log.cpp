#include "kernel_log.h"

namespace test {

void kernel_log::called(uhigh_kernels::kernel which, const uhigh_kernels::digit*,
                        const uhigh_kernels::digit*, const uhigh_kernels::digit*, std::size_t n) {
  calls_.push_back({std::string(uhigh_kernels::name_of(which)), n});
}

}  // namespace test
