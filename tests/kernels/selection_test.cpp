// Which kernel form runs: the names and the choice, through the public
// header and the internal table, the choice the CPU's features make, and a
// thread that computes before main.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "bignum/kernels.h"
#include "bignum/kernels/table.h"
#include "test_support.h"

using test::text_of;

// A thread that a static initialiser starts computes while the rest of the
// program is still being initialised; its first operation chooses the kernel
// form. Under ThreadSanitizer this shows the choice is free of data races.
namespace {
struct early_thread {
  std::string result;
  std::thread worker;
  early_thread() {
    worker = std::thread([this] {
      uhigh x(1);
      for (int i = 0; i < 200; ++i)
        x += x;
      result = to_string(x);
    });
  }
  ~early_thread() {
    if (worker.joinable()) worker.join();  // when the test below did not run
  }
};
early_thread started_early;
}  // namespace

TEST(KernelSelection, AThreadFromAStaticInitialiserComputesCorrectly) {
  if (started_early.worker.joinable()) started_early.worker.join();
  EXPECT_EQ(started_early.result, "1606938044258990275541962092341162602522202993782792835301376");
  // The ones that follow from there on see the same choice.
  uhigh x(1);
  for (int i = 0; i < 200; ++i)
    x += x;
  EXPECT_EQ(to_string(x), started_early.result);
}

TEST(KernelSelection, NamesTheFormsAndRefusesUnknownOnes) {
  const uhigh_detail::kernels::table& before = uhigh_detail::kernels::active();
  EXPECT_EQ(uhigh_detail::kernels::available().front(), &uhigh_detail::kernels::reference);
  EXPECT_FALSE(uhigh_kernels::select("no-such-form"));
  EXPECT_EQ(&uhigh_detail::kernels::active(), &before);
  ASSERT_TRUE(uhigh_kernels::select("reference"));
  EXPECT_EQ(&uhigh_detail::kernels::active(), &uhigh_detail::kernels::reference);
  ASSERT_TRUE(uhigh_kernels::select(before.name));
}

TEST(KernelSelection, StartsOnTheFastestFormTheCpuRuns) {
  EXPECT_EQ(test::startup_form, uhigh_detail::kernels::available().back())
      << test::startup_form->name;
}

TEST(KernelSelection, ChoiceFollowsTheCpuFeatures) {
  const auto fastest = [](bool avx2, bool avx512f, bool avx512bw, bool neon) {
    uhigh_detail::kernels::cpu_features cpu;
    cpu.avx2 = avx2;
    cpu.avx512f = avx512f;
    cpu.avx512bw = avx512bw;
    cpu.neon = neon;
    const auto forms = uhigh_detail::kernels::forms_for(cpu);
    EXPECT_EQ(forms[0], &uhigh_detail::kernels::reference);
    return std::string(forms.back()->name);
  };
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_EQ(fastest(false, false, false, false), "sse2");
  EXPECT_EQ(fastest(true, false, false, false), "avx2");
  EXPECT_EQ(fastest(true, true, false, false), "avx2");  // AVX-512F without the byte operations
  EXPECT_EQ(fastest(true, false, true, false), "avx2");
  EXPECT_EQ(fastest(true, true, true, true), "avx512");
#elif defined(__aarch64__)
  EXPECT_EQ(fastest(false, false, false, false), "neon");
  EXPECT_EQ(fastest(true, true, true, true), "neon");
#elif defined(__arm__)
  EXPECT_EQ(fastest(false, false, false, false), "word");  // an ARMv7 without NEON
  EXPECT_EQ(fastest(false, false, false, true), "neon");
#else
  EXPECT_EQ(fastest(false, false, false, false), "word");
  EXPECT_EQ(fastest(true, true, true, true), "word");
#endif
}

TEST(KernelSelection, ThePublicChoiceNamesAndSelectsForms) {
  const auto names = uhigh_kernels::forms();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "reference");
  const auto before = uhigh_kernels::active_form();
  EXPECT_FALSE(uhigh_kernels::select("no-such-form"));
  EXPECT_EQ(uhigh_kernels::active_form(), before);
  ASSERT_TRUE(uhigh_kernels::select("reference"));
  EXPECT_EQ(uhigh_kernels::active_form(), "reference");
  EXPECT_EQ(text_of(uhigh(99) * uhigh(99)), "9801");
  ASSERT_TRUE(uhigh_kernels::select(before));
}
