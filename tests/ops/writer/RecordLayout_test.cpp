#include "PrivateFormat.h"
#include "RecordLayout.h"
#include "WriterTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Loaded {
    ScratchDir dir;
    CapturedLog log{dir};
    LINE_FORMAT layout;

    Loaded(std::vector<std::string> lines, const char* section = "[Timbrature]") {
        MemoryParameters parameters(std::move(lines));
        loadLayout(parameters, section, layout, log.logger());
    }
};

}  // namespace

TEST(LoadLayout, FieldsTakeTheirTypeWordAndSettings) {
    Loaded l({"[Timbrature]", "FORMAT= F1 , F2,F3", "F1=MATRICOLA,LEN=8", "F2=DATE,FMT=DD.MM.YYYY,FR=3",
              "F3=EVENT,VA=('E' 'U(' 'x'),DF= in  ", "FLDSEP=';'"});
    ASSERT_EQ(l.layout.count, 3);
    EXPECT_EQ(l.layout.separator, ';');
    EXPECT_STREQ(l.layout.fields[0].name, "MATRICOLA");
    EXPECT_EQ(l.layout.fields[0].length, 8);
    EXPECT_STREQ(l.layout.fields[1].name, "DATE");
    EXPECT_STREQ(l.layout.fields[1].format, "DD.MM.YYYY");
    EXPECT_EQ(l.layout.fields[1].from, 3);
    EXPECT_STREQ(l.layout.fields[2].values[0], "E");
    EXPECT_STREQ(l.layout.fields[2].values[1], "U ");  // "(" counts as a blank
    EXPECT_STREQ(l.layout.fields[2].values[2], "x");
    EXPECT_STREQ(l.layout.fields[2].values[3], "");
    EXPECT_STREQ(l.layout.fields[2].defaultText, "in");
    EXPECT_TRUE(l.log.lines().empty());
}

TEST(LoadLayout, SectionWithoutBracketsAndWithoutFormat) {
    Loaded named({"[Commesse]", "FORMAT=J", "J=JDATA,FMT=0"}, "Commesse");
    ASSERT_EQ(named.layout.count, 1);
    EXPECT_STREQ(named.layout.fields[0].name, "JDATA");

    Loaded none({"[Timbrature]", "FILE_NAME=x", "FORMAT=   "});
    EXPECT_FALSE(none.layout.hasFields());
}

TEST(LoadLayout, IdsAreCutToFiveCharactersAndListsEnd) {
    // The cut id is the key of its definition.
    Loaded cut({"[Timbrature]", "FORMAT=BADGE1,,CAUSE", "BADGE=MATRICOLA,LEN=6"});
    ASSERT_EQ(cut.layout.count, 1);  // an empty id ends the list
    EXPECT_STREQ(cut.layout.fields[0].name, "MATRICOLA");
    EXPECT_EQ(cut.layout.fields[0].length, 6);

    std::string many = "FORMAT=";
    for (int i = 0; i < 20; ++i) many += "D" + std::to_string(i) + ",";
    std::vector<std::string> lines{"[Timbrature]", many};
    for (int i = 0; i < 20; ++i) lines.push_back("D" + std::to_string(i) + "=DUMMY");
    Loaded capped(lines);
    EXPECT_EQ(capped.layout.count, LINE_FORMAT::kMaxFields);
}

TEST(LoadLayout, SeparatorNeedsApostrophes) {
    EXPECT_EQ(Loaded({"[Timbrature]", "FORMAT=A", "A=CAUSE", "FLDSEP=';'"}).layout.separator, ';');
    EXPECT_EQ(Loaded({"[Timbrature]", "FORMAT=A", "A=CAUSE", "FLDSEP=''"}).layout.separator, 0);
    EXPECT_EQ(Loaded({"[Timbrature]", "FORMAT=A", "A=CAUSE", "FLDSEP=;"}).layout.separator, 0);
    EXPECT_EQ(Loaded({"[Timbrature]", "FORMAT=A", "A=CAUSE", "FLDSEP='"}).layout.separator, 0);
    EXPECT_EQ(Loaded({"[Timbrature]", "FORMAT=A", "A=CAUSE", "FLDSEP= x'\t'"}).layout.separator, '\t');
}

TEST(LoadLayout, DefinitionErrorsAreLoggedAndFieldsKeepTheirDefaults) {
    Loaded l({"[Timbrature]", "FORMAT=A,B,C,D,TFLD1", "B=NOTATYPE,LEN=3", "C=CAUSE,LEN=3,WIDTH=4,LEN=9",
              "D=TIME,LEN,FMT=HH", "TFLD1=Plant 7,LE=4,oops"});
    ASSERT_EQ(l.layout.count, 5);
    EXPECT_TRUE(l.log.has("[Timbrature] not defined A")) << l.log.lines().size();
    EXPECT_STREQ(l.layout.fields[0].name, "A");

    EXPECT_TRUE(l.log.has("Definition for B not correct NOTATYPE"));
    EXPECT_STREQ(l.layout.fields[1].name, "B");
    EXPECT_EQ(l.layout.fields[1].length, 0);

    // An unknown keyword ends the settings: LEN=9 is never read.
    EXPECT_TRUE(l.log.has("Unknown keyword WIDTH=4 for C"));
    EXPECT_STREQ(l.layout.fields[2].name, "CAUSE");
    EXPECT_EQ(l.layout.fields[2].length, 3);

    EXPECT_TRUE(l.log.has("LEN not defined for D"));
    EXPECT_STREQ(l.layout.fields[3].format, "");

    // A TFLD id keeps its name and takes the constant; "oops" is ignored silently.
    EXPECT_STREQ(l.layout.fields[4].name, "TFLD1");
    EXPECT_STREQ(l.layout.fields[4].defaultText, "Plant 7");
    EXPECT_EQ(l.layout.fields[4].length, 4);
    EXPECT_EQ(l.log.lines().size(), 4u);
}

TEST(LoadLayout, TextsAreBoundedToTheirFields) {
    Loaded l({"[Timbrature]", "FORMAT=A",
              "A=MODE,FM=ABCDEFGHIJKLMN,DF=0123456789XYZ,LE=999,VA=('1' '2' '3' '4' '5' '6' '7' '8' '9' '10' '11' "
              "'ABCDEFGHIJKLMNOP')"});
    const FLD_FMT_t& f = l.layout.fields[0];
    EXPECT_STREQ(f.format, "ABCDEFGHIJ");
    EXPECT_STREQ(f.defaultText, "0123456789");
    EXPECT_EQ(f.length, 255);
    EXPECT_STREQ(f.values[9], "10");
}

TEST(PrivateFormat, ConstantFieldsOfATerminalSection) {
    ScratchDir dir;
    CapturedLog log(dir);
    MemoryParameters parameters({"[Terminal 01 Ingresso]", "TFLD1=\"Sede 1\",LEN=8", "TFLD2=  ",
                                 "TFLD3=LE=5\tDF=abc", "TFLD4=\"Reparto\";cut here", "TFLD5=X,SIZE=3,LE=9"});
    PRIVATE_FORMAT_C own;
    EXPECT_FALSE(own.isLoaded());
    own.load(parameters, "Terminal 01 Ingresso", log.logger());
    ASSERT_TRUE(own.isLoaded());
    EXPECT_EQ(own.count(), 4);

    const FLD_FMT_t* one = own.find("TFLD1");
    ASSERT_NE(one, nullptr);
    EXPECT_STREQ(one->defaultText, "Sede 1");
    EXPECT_EQ(one->length, 8);
    EXPECT_EQ(own.find("TFLD2"), nullptr);
    EXPECT_STREQ(own.find("TFLD3")->defaultText, "abc");
    EXPECT_EQ(own.find("TFLD3")->length, 5);
    EXPECT_STREQ(own.find("TFLD4")->defaultText, "Reparto");
    EXPECT_EQ(own.find("TFLD5")->length, 0);
    EXPECT_TRUE(log.has("Unknown keyword SIZE=3 for TFLD5"));
}
