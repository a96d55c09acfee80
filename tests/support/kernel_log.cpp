#include "kernel_log.h"

namespace test {

void kernel_log::called(uhigh_detail::kernels::kernel which, const uhigh_detail::kernels::digit*,
                        const uhigh_detail::kernels::digit*, const uhigh_detail::kernels::digit*,
                        std::size_t n) {
  calls_.push_back({std::string(uhigh_detail::kernels::name_of(which)), n});
}

}  // namespace test
