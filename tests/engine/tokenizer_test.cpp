// SPDX-License-Identifier: MIT
// The tokenizer: every token code, the keyword table, and the edges of words, quotes,
// numbers and session prefixes.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "tokenizer.h"

namespace {

using Token = std::pair<int, std::string>;

std::vector<Token> TokensOf(const std::string& line) {
    CTokenizer tokens(false);
    tokens.SetLine(line);
    std::vector<Token> out;
    for (int i = 0; i < 100; ++i) {
        const int code = tokens.GetNextToken();
        out.emplace_back(code, tokens.Text());
        if (code == TK_EOL) break;
    }
    return out;
}

TEST(Tokenizer, OperatorsAndPunctuation) {
    EXPECT_EQ(TokensOf("= != < <= > >= ! , ( ) $ @"), (std::vector<Token>{{101, "="},
                                                                          {102, "!="},
                                                                          {103, "<"},
                                                                          {104, "<="},
                                                                          {105, ">"},
                                                                          {106, ">="},
                                                                          {107, "!"},
                                                                          {110, ","},
                                                                          {111, "("},
                                                                          {112, ")"},
                                                                          {113, "$"},
                                                                          {115, "@"},
                                                                          {0, ""}}));
    // Only "!", "<" and ">" combine with a following "=".
    EXPECT_EQ(TokensOf("=<"), (std::vector<Token>{{101, "="}, {103, "<"}, {0, ""}}));
    EXPECT_EQ(TokensOf("! ="), (std::vector<Token>{{107, "!"}, {101, "="}, {0, ""}}));
    EXPECT_EQ(TokensOf("a>=b"), (std::vector<Token>{{500, "a"}, {106, ">="}, {500, "b"}, {0, ""}}));
}

TEST(Tokenizer, EveryKeywordInAnyLetterCase) {
    for (const Keyword& keyword : kKeywords) {
        std::string upper(keyword.word);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::string mixed(keyword.word);
        mixed[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[0])));
        for (const std::string& written : {std::string(keyword.word), upper, mixed}) {
            const auto tokens = TokensOf(written);
            ASSERT_EQ(tokens.size(), 2u) << written;
            EXPECT_EQ(tokens[0], Token(keyword.code, written));
        }
    }
    EXPECT_EQ(TokensOf("NOT")[0], Token(107, "NOT"));
    // No keyword yields 633; exec selects the function 727. Near misses are plain strings.
    for (const Keyword& keyword : kKeywords)
        EXPECT_NE(keyword.code, 633);
    EXPECT_EQ(TokensOf("Exec")[0], Token(727, "Exec"));
    EXPECT_EQ(TokensOf("gets")[0].first, TK_STRING);
    EXPECT_EQ(TokensOf("defaulttimeouts")[0].first, TK_STRING);
}

TEST(Tokenizer, QuotedTexts) {
    EXPECT_EQ(TokensOf("'get (a) = \"b\"'"),
              (std::vector<Token>{{500, "get (a) = \"b\""}, {0, ""}}));
    EXPECT_EQ(TokensOf("\"login\""), (std::vector<Token>{{500, "login"}, {0, ""}}));
    EXPECT_EQ(TokensOf("''x"), (std::vector<Token>{{500, ""}, {500, "x"}, {0, ""}}));
    EXPECT_EQ(TokensOf("'12'"), (std::vector<Token>{{500, "12"}, {0, ""}}));

    // An unterminated quote is the end of the line, for good.
    CTokenizer tokens(false);
    tokens.SetLine("get 'a.txt");
    EXPECT_EQ(tokens.GetNextToken(), TK_GET);
    EXPECT_EQ(tokens.GetNextToken(), TK_EOL);
    EXPECT_EQ(tokens.GetNextToken(), TK_EOL);
    EXPECT_EQ(tokens.Rest(), "'a.txt");
}

TEST(Tokenizer, Numbers) {
    CTokenizer tokens(false);
    tokens.SetLine("007 12ab 99999999999 -7 2147483647");
    EXPECT_EQ(tokens.GetNextToken(), TK_NUMBER);
    EXPECT_EQ(tokens.Number(), 7);
    EXPECT_EQ(tokens.GetNextToken(), TK_STRING);
    EXPECT_EQ(tokens.Number(), 7) << "a non-number keeps the last number";
    EXPECT_EQ(tokens.GetNextToken(), TK_NUMBER);
    EXPECT_EQ(tokens.Number(), 2147483647);
    EXPECT_EQ(tokens.GetNextToken(), TK_STRING);
    EXPECT_EQ(tokens.Text(), "-7");
    EXPECT_EQ(tokens.GetNextToken(), TK_NUMBER);
    EXPECT_EQ(tokens.Number(), 2147483647);
    EXPECT_EQ(tokens.GetNextToken(), TK_EOL);
    EXPECT_EQ(tokens.Number(), 0);
}

TEST(Tokenizer, SessionPrefixes) {
    EXPECT_EQ(TokensOf("#1 get a.txt"),
              (std::vector<Token>{{400, "#1"}, {601, "get"}, {500, "a.txt"}, {0, ""}}));
    // A name ends only at a blank.
    EXPECT_EQ(TokensOf("#a(b)'c'=d"), (std::vector<Token>{{400, "#a(b)'c'=d"}, {0, ""}}));
    EXPECT_EQ(TokensOf("#"), (std::vector<Token>{{400, "#"}, {0, ""}}));
    EXPECT_EQ(TokensOf("# x y"), (std::vector<Token>{{400, "# x y"}, {0, ""}}));
    EXPECT_EQ(TokensOf("#2  x"), (std::vector<Token>{{400, "#2"}, {500, "x"}, {0, ""}}));
    EXPECT_EQ(TokensOf("get#2"), (std::vector<Token>{{601, "get"}, {400, "#2"}, {0, ""}}));
}

TEST(Tokenizer, WordsEndOnlyAtDelimiters) {
    EXPECT_EQ(TokensOf("$Date('12311999')"),
              (std::vector<Token>{
                  {113, "$"}, {637, "Date"}, {111, "("}, {500, "12311999"}, {112, ")"}, {0, ""}}));
    // Other white space is skipped in front of a token but does not end a word.
    EXPECT_EQ(TokensOf("\t get\ta.txt"), (std::vector<Token>{{500, "get\ta.txt"}, {0, ""}}));
    EXPECT_EQ(TokensOf("a,b"), (std::vector<Token>{{500, "a"}, {110, ","}, {500, "b"}, {0, ""}}));
    EXPECT_EQ(TokensOf(""), (std::vector<Token>{{0, ""}}));
    EXPECT_EQ(TokensOf("   \t "), (std::vector<Token>{{0, ""}}));
    // Bytes beyond ASCII are word characters.
    EXPECT_EQ(TokensOf("\xc3\xa9t\xc3\xa9 \xff"),
              (std::vector<Token>{{500, "\xc3\xa9t\xc3\xa9"}, {500, "\xff"}, {0, ""}}));
}

TEST(Tokenizer, PreviousTokenAndRestOfLine) {
    CTokenizer tokens(false);
    tokens.SetLine("cd  My Documents ");
    EXPECT_EQ(tokens.GetNextToken(), TK_CD);
    EXPECT_EQ(tokens.RestOfLine(), TK_STRING);
    EXPECT_EQ(tokens.Text(), "My Documents ");
    EXPECT_EQ(tokens.PreviousText(), "") << "RestOfLine leaves the previous token alone";
    EXPECT_EQ(tokens.RestOfLine(), TK_EOL);
    EXPECT_EQ(tokens.Text(), "");

    tokens.SetLine("get a.txt 12");
    tokens.GetNextToken();
    tokens.GetNextToken();
    EXPECT_EQ(tokens.PreviousCode(), TK_GET);
    EXPECT_EQ(tokens.PreviousText(), "get");
    tokens.GetNextToken();
    EXPECT_EQ(tokens.PreviousText(), "a.txt");
    EXPECT_EQ(tokens.Number(), 12);
    tokens.GetNextToken();
    EXPECT_EQ(tokens.PreviousNumber(), 12);
}

TEST(Tokenizer, LongLinesInLinearTime) {
    std::string line;
    for (int i = 0; i < 200000; ++i)
        line += "word ";
    CTokenizer tokens(false);
    tokens.SetLine(line);
    int count = 0;
    while (tokens.GetNextToken() != TK_EOL && count <= 200000)
        ++count;
    EXPECT_EQ(count, 200000);
}

TEST(MaskSecrets, HidesPasswordAndAccountOfLogins) {
    EXPECT_EQ(MaskSecrets("login host user secret acct"), "login host user **** ****");
    EXPECT_EQ(MaskSecrets("GATELOGIN h u 'pass word' x extra"), "GATELOGIN h u **** **** extra");
    EXPECT_EQ(MaskSecrets("#2 login h u p"), "#2 login h u ****");
    EXPECT_EQ(MaskSecrets("login h u 12345"), "login h u ****") << "digits are hidden too";
    EXPECT_EQ(MaskSecrets("login h u 'unterminated secret"), "login h u ****");
    EXPECT_EQ(MaskSecrets("login login login login login"), "login login login **** ****");
    EXPECT_EQ(MaskSecrets("login h u #pw acct"), "login h u **** ****");
    EXPECT_EQ(MaskSecrets("  login\th\tu\tp\tacct"), "  login\th\tu\t****\t****")
        << "a login written with tabs is one word to the tokenizer, and hidden all the same";
    EXPECT_EQ(MaskSecrets("login h u p   // remark"), "login h u ****   **** remark");
}

// A password written without quotes is hidden from its first character to the end of the
// word as written, though the tokenizer splits it at every delimiter.
TEST(MaskSecrets, HidesUnquotedSecretsWithDelimitersWhole) {
    const std::pair<const char*, const char*> cases[] = {
        {"login H dave P@ssLeak1!", "login H dave ****"},
        {"login h u p(a=b,c$d!e<f>g) a@c", "login h u **** ****"},
        {"gatelogin h u 'quo ted'tail ac!ct extra", "gatelogin h u **** **** extra"},
        {"login h u @pw$ acct", "login h u **** ****"},
        {"login h u pw'open quote", "login h u ****"},
        {"#2 login h u <pw>", "#2 login h u ****"},
        {"login h@x u pw", "login h@x u ****"},
    };
    for (const auto& [line, masked] : cases)
        EXPECT_EQ(MaskSecrets(line), masked) << line;
}

TEST(LoginSecretSplit, TellsWhetherAPasswordOrAccountWouldBeCut) {
    const std::pair<const char*, bool> cases[] = {
        {"H dave P@ssLeak1!", true},
        {"h u pw a=b", true},
        {"h u !pw", true},
        {"h u #pw", true},
        {"h u 'P@ss!' \"a,b\"", false},
        {"h u pw", false},
        {"h u 12345", false},
        {"h u pw acct more@x", false},
        {"h@x u pw", false},
        {"h", false},
        {"", false},
    };
    for (const auto& [arguments, split] : cases)
        EXPECT_EQ(LoginSecretSplit(arguments), split) << arguments;
}

TEST(MaskSecrets, LeavesOtherLinesAlone) {
    EXPECT_EQ(MaskSecrets("get a.txt b.txt c.txt d.txt"), "get a.txt b.txt c.txt d.txt");
    EXPECT_EQ(MaskSecrets("login host user"), "login host user");
    EXPECT_EQ(MaskSecrets("'login' h u p"), "'login' h u p");
    EXPECT_EQ(MaskSecrets(""), "");
}

}  // namespace
