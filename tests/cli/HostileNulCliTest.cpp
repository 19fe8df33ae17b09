// zentory-cli with NUL bytes inside texts of config.ini and the translation
// file beside it: "Product ID" "h<NUL>d" names "htrl.ini", never "h".

#include "CliSupport.h"
#include "HostileNul.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

using namespace zentory::test;

TEST(HostileNulByteThroughTheCli, TheTranslationFileNameStaysWhole) {
    const CliCopy cli;
    putNulFiles(cli.folder());
    const TempDir tree;
    const Observed o = cli.run({"-d", tree.path()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "Listed " + tree.path() + "/...\r\n\r\n");
    recordSurvival("config.ini", kNulCase,
                   "CLI exit 0: \"" +
                       replaced(o.out.substr(0, o.out.find('\r')), tree.path(), "DIR") + "\"");
}
