#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "OleAutTestUtil.h"

TEST(Decimal, TextRoundTripKeepsScaleAndSign) {
  for (const wchar_t* t : {L"-12.3400", L"0.00", L"1", L"-0.0000000000000000000000000001",
                           L"79228162514264337593543950335", L"-7.9228162514264337593543950335", L"123.456"}) {
    EXPECT_EQ(DecText(Dec(t)), t);
  }
  DECIMAL d = Dec(L"-12.3400");
  EXPECT_EQ(d.scale, 4);
  EXPECT_EQ(d.sign, DECIMAL_NEG);
  EXPECT_EQ(d.Lo64, 123400u);
  EXPECT_EQ(DecText(Dec(L"  +1.5e2 ")), L"150");
  EXPECT_EQ(DecText(Dec(L"1.5E-3")), L"0.0015");
  EXPECT_EQ(DecText(Dec(L".5")), L"0.5");
}

TEST(Decimal, TextBeyond96BitsOverflowsOrRounds) {
  DECIMAL d;
  EXPECT_EQ(VarDecFromStr(L"79228162514264337593543950336", 0, 0, &d), DISP_E_OVERFLOW);
  EXPECT_EQ(VarDecFromStr(L"1e29", 0, 0, &d), DISP_E_OVERFLOW);
  EXPECT_EQ(VarDecFromStr(L"1e999999999999", 0, 0, &d), DISP_E_OVERFLOW);
  // more digits than fit are rounded (half to even) into the widest scale
  EXPECT_EQ(DecText(Dec(L"0.12345678901234567890123456785")), L"0.1234567890123456789012345678");
  EXPECT_EQ(DecText(Dec(L"0.123456789012345678901234567850001")), L"0.1234567890123456789012345679");
  EXPECT_EQ(DecText(Dec(L"1.00000000000000000000000000005")), L"1.0000000000000000000000000000");
  EXPECT_EQ(DecText(Dec(L"1e-40")), L"0.0000000000000000000000000000");
  for (const wchar_t* bad : {L"", L"-", L"1.2.3", L"12abc", L"1e", L"e5", L"0x10", L"1 2"})
    EXPECT_EQ(VarDecFromStr(bad, 0, 0, &d), DISP_E_TYPEMISMATCH) << bad[0];
}

TEST(Decimal, IntegersAndRoundingHalfToEven) {
  DECIMAL d;
  ASSERT_EQ(VarDecFromI8(std::numeric_limits<LONG64>::min(), &d), S_OK);
  EXPECT_EQ(DecText(d), L"-9223372036854775808");
  LONG64 i;
  EXPECT_EQ(VarI8FromDec(&d, &i), S_OK);
  EXPECT_EQ(i, std::numeric_limits<LONG64>::min());
  DECIMAL big = Dec(L"9223372036854775808");
  EXPECT_EQ(VarI8FromDec(&big, &i), DISP_E_OVERFLOW);
  ULONG64 u;
  EXPECT_EQ(VarUI8FromDec(&big, &u), S_OK);
  EXPECT_EQ(u, 9223372036854775808ull);

  struct { const wchar_t* in; LONG out; } cases[] = {{L"2.5", 2}, {L"3.5", 4}, {L"-2.5", -2}, {L"2.5000001", 3}, {L"-0.4", 0}};
  for (auto& c : cases) {
    DECIMAL x = Dec(c.in);
    LONG l;
    EXPECT_EQ(VarI4FromDec(&x, &l), S_OK);
    EXPECT_EQ(l, c.out);
  }
  DECIMAL r;
  DECIMAL x = Dec(L"1.2345");
  EXPECT_EQ(VarDecRound(&x, 3, &r), S_OK);
  EXPECT_EQ(DecText(r), L"1.234");
  x = Dec(L"-7.5");
  VarDecFix(&x, &r);
  EXPECT_EQ(DecText(r), L"-7");
  VarDecInt(&x, &r);
  EXPECT_EQ(DecText(r), L"-8");
}

TEST(Decimal, DoublesTakeTheNearestFifteenDigits) {
  DECIMAL d;
  ASSERT_EQ(VarDecFromR8(0.1, &d), S_OK);
  EXPECT_EQ(DecText(d), L"0.1");
  ASSERT_EQ(VarDecFromR8(-1234.5678, &d), S_OK);
  EXPECT_EQ(DecText(d), L"-1234.5678");
  ASSERT_EQ(VarDecFromR8(1e20, &d), S_OK);
  EXPECT_EQ(DecText(d), L"100000000000000000000");
  EXPECT_EQ(VarDecFromR8(1e29, &d), DISP_E_OVERFLOW);
  EXPECT_EQ(VarDecFromR8(std::nan(""), &d), DISP_E_OVERFLOW);
  EXPECT_EQ(VarDecFromR8(-INFINITY, &d), DISP_E_OVERFLOW);
  ASSERT_EQ(VarDecFromR4(0.1f, &d), S_OK);
  EXPECT_EQ(DecText(d), L"0.1");

  double back;
  DECIMAL x = Dec(L"0.3");
  VarR8FromDec(&x, &back);
  EXPECT_EQ(back, 0.3);
  x = Dec(L"-79228162514264337593543950335");
  VarR8FromDec(&x, &back);
  EXPECT_DOUBLE_EQ(back, -7.9228162514264337593543950335e28);
}

TEST(Decimal, CompareAndAddAcrossScales) {
  DECIMAL a = Dec(L"1.50"), b = Dec(L"1.5"), c = Dec(L"-2"), r;
  EXPECT_EQ(VarDecCmp(&a, &b), VARCMP_EQ);
  EXPECT_EQ(VarDecCmp(&c, &a), VARCMP_LT);
  DECIMAL tiny = Dec(L"1.0000000000000000000000000001"), one = Dec(L"1");
  EXPECT_EQ(VarDecCmp(&tiny, &one), VARCMP_GT);
  EXPECT_EQ(VarDecCmp(&one, &tiny), VARCMP_LT);
  DECIMAL negZero = Dec(L"0"), zero = Dec(L"0.000");
  negZero.sign = DECIMAL_NEG;
  EXPECT_EQ(VarDecCmp(&negZero, &zero), VARCMP_EQ);

  EXPECT_EQ(VarDecAdd(&a, &c, &r), S_OK);
  EXPECT_EQ(DecText(r), L"-0.50");
  EXPECT_EQ(VarDecSub(&c, &c, &r), S_OK);
  EXPECT_EQ(DecText(r), L"0");
  // the sum needs more than 96 bits at the finer scale: the scale gives way
  DECIMAL max = Dec(L"79228162514264337593543950335"), half = Dec(L"0.5");
  EXPECT_EQ(VarDecAdd(&max, &max, &r), DISP_E_OVERFLOW);
  DECIMAL near = Dec(L"7922816251426433759354395033.0"), quarter = Dec(L"0.25");
  EXPECT_EQ(VarDecAdd(&near, &quarter, &r), S_OK);
  EXPECT_EQ(DecText(r), L"7922816251426433759354395033.2");
  EXPECT_EQ(VarDecAdd(&half, &half, &r), S_OK);
  EXPECT_EQ(DecText(r), L"1.0");

  EXPECT_EQ(ZelDecRescale(&b, 6, &r), S_OK);
  EXPECT_EQ(DecText(r), L"1.500000");
  EXPECT_EQ(ZelDecRescale(&max, 1, &r), DISP_E_OVERFLOW);
}

TEST(Currency, FourDecimalsRoundedHalfToEven) {
  CY cy;
  ASSERT_EQ(VarCyFromStr(L"12.34565", 0, 0, &cy), S_OK);
  EXPECT_EQ(cy.int64, 123456);
  ASSERT_EQ(VarCyFromR8(-0.00005, &cy), S_OK);
  EXPECT_EQ(cy.int64, 0);
  ASSERT_EQ(VarCyFromR8(1.00015, &cy), S_OK);
  EXPECT_EQ(cy.int64, 10002);
  EXPECT_EQ(VarCyFromR8(1e15, &cy), DISP_E_OVERFLOW);
  EXPECT_EQ(VarCyFromI8(922337203685478, &cy), DISP_E_OVERFLOW);
  BSTR b;
  cy.int64 = 125000;
  VarBstrFromCy(cy, 0, 0, &b);
  EXPECT_EQ(Take(b), L"12.5");
  cy.int64 = std::numeric_limits<LONGLONG>::min();
  VarBstrFromCy(cy, 0, 0, &b);
  EXPECT_EQ(Take(b), L"-922337203685477.5808");
  DECIMAL d;
  VarDecFromCy(cy, &d);
  CY back;
  EXPECT_EQ(VarCyFromDec(&d, &back), S_OK);
  EXPECT_EQ(back.int64, cy.int64);
  LONG64 whole;
  cy.int64 = 25000;
  VarI8FromCy(cy, &whole);
  EXPECT_EQ(whole, 2);
}
