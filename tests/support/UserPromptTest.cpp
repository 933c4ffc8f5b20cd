#include <gtest/gtest.h>

#include "EmulatedSystem.h"
#include "ScriptedUserPrompt.h"
#include "support/UserPrompt.h"

TEST_F(EmulatedSystemTest, DefaultPromptLogsAndTakesTheFirstButton) {
    ASSERT_EQ(UserPrompt::Installed(), nullptr);
    EXPECT_EQ(UserPrompt::Show(Sjis("出力先のフォルダが存在しません。")), UserPrompt::Answer::Ok);
    EXPECT_EQ(UserPrompt::Show("q", UserPrompt::Buttons::YesNo), UserPrompt::Answer::Yes);
    EXPECT_FALSE(UserPrompt::Current().AskFolder("title").has_value());
    EXPECT_NE(system.ReadFile("C:\\Pennawick\\LogTue.log")
                  .find(Sjis("[Pennawick] 出力先のフォルダが存在しません。")),
              std::string::npos);
}

TEST_F(EmulatedSystemTest, ScriptedPromptRecordsAndAnswers) {
    {
        ScriptedUserPrompt prompt;
        prompt.answers.push_back(UserPrompt::Answer::No);
        prompt.folders.push_back(std::string("C:\\out"));
        EXPECT_EQ(UserPrompt::Show("a", UserPrompt::Buttons::YesNo), UserPrompt::Answer::No);
        EXPECT_EQ(UserPrompt::Show("b", UserPrompt::Buttons::YesNo), UserPrompt::Answer::Yes);
        EXPECT_EQ(UserPrompt::Current().AskFolder("t"), std::optional<std::string>("C:\\out"));
        ASSERT_EQ(prompt.messages.size(), 2u);
        EXPECT_EQ(prompt.messages[0].caption, "") << "no caption of its own: the title is shown";
        EXPECT_EQ(prompt.folderTitles, std::vector<std::string>{"t"});
    }
    EXPECT_EQ(UserPrompt::Installed(), nullptr) << "the scripted prompt uninstalls itself";
}
