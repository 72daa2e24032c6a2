#include <gtest/gtest.h>

#include "export/contact_line.h"

TEST(Smoke, Record) {
  const CodePage cp = *CodePage::FromId(936);
  EXPECT_EQ(BuildContactRecord("<a class=\"L_n\" n=\"Li\" e=\"123@qq.com\">&nbsp", FieldSelection{}, cp),
            "123----Li----123@qq.com\n");
}
