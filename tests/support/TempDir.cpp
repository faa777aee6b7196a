#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vk::test {

TTempDir::TTempDir() { EXPECT_TRUE(m_dir.isValid()) << "cannot create a temporary folder"; }

} // namespace vk::test
