#include "app/program_instance.h"

#include <gtest/gtest.h>

namespace kavo {
namespace {

TEST(ProgramInstanceName, OneNamePerFolderWhateverItsSpelling) {
    const std::string name = ProgramInstanceName("D:\\KAVO");
    for (const char* same : {"D:\\KAVO", "d:\\kavo", "D:\\Kavo\\", "D:/KAVO/", "D:\\KAVO\\\\"})
        EXPECT_EQ(ProgramInstanceName(same), name) << same;
    for (const char* other :
         {"D:\\KAVO2", "D:\\KAV", "E:\\KAVO", "D:\\KAVO\\sub", "Z:\\home\\user\\脚本助手"})
        EXPECT_NE(ProgramInstanceName(other), name) << other;
    EXPECT_LE(name.size(), 64u);
    EXPECT_EQ(name.rfind("Local\\", 0), 0u);
    EXPECT_EQ(name.find('\\', 6), std::string::npos);  // no further backslash: a name, no path
}

}  // namespace
}  // namespace kavo
