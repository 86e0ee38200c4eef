// Both matrix classes invert through one Gauss–Jordan elimination: matrices that need row and
// column interchanges, the complex inverse and the refusals.
#include "coord/CCoordinateCalculate_Matrix.h"
#include "coord/CCoordinateMatrix.h"
#include "platform/MessageSink.h"

#include <complex>
#include <gtest/gtest.h>

namespace
{
// Zeros on the diagonal: without interchanges the first pivot would divide by zero.
const double kNeedsPivoting[9] = {0, 2, 1, 3, 0, 4, 1, 5, 0};
} // namespace

TEST(MatrixInverse, InterchangesRowsAndColumnsInBothClasses)
{
    CCoordinateCalculate_Matrix a(3, 3, kNeedsPivoting);
    CCoordinateCalculate_Matrix inv = a;
    ASSERT_TRUE(inv.InvertGaussJordan());
    const CCoordinateCalculate_Matrix id = a * inv;
    CCoordinateMatrix m(3);
    for (int i = 0; i < 9; ++i) m.SetData(i, kNeedsPivoting[i]);
    const CCoordinateMatrix mid = m * ~m;
    const CCoordinateMatrix rid = m * m.Reverse();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
        {
            EXPECT_NEAR(id.GetElement(i, j), i == j ? 1.0 : 0.0, 1e-14);
            EXPECT_NEAR(mid.GetData(i, j), i == j ? 1.0 : 0.0, 1e-14);
            EXPECT_NEAR(rid.GetData(i, j), i == j ? 1.0 : 0.0, 1e-14);
        }
}

TEST(MatrixInverse, ComplexInverseAndRefusals)
{
    using C = std::complex<double>;
    const double re[4] = {0, 1, 2, 3}, im[4] = {1, 0, -1, 2};
    CCoordinateCalculate_Matrix r(2, 2, re), i(2, 2, im);
    ASSERT_TRUE(r.InvertGaussJordan(i));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
        {
            C sum = 0;
            for (int k = 0; k < 2; ++k)
                sum += C(re[row * 2 + k], im[row * 2 + k]) * C(r.GetElement(k, col), i.GetElement(k, col));
            EXPECT_NEAR(std::abs(sum - C(row == col ? 1.0 : 0.0)), 0.0, 1e-14);
        }

    // A singular matrix (the second row twice the first) and mismatched sizes are refused and
    // leave the matrices as they were.
    const double singular[4] = {1, 2, 2, 4};
    CCoordinateCalculate_Matrix s(2, 2, singular), si(2, 2);
    EXPECT_FALSE(s.InvertGaussJordan(si));
    EXPECT_EQ(s.GetElement(1, 1), 4.0);
    CCoordinateCalculate_Matrix wrong(3, 3);
    EXPECT_FALSE(s.InvertGaussJordan(wrong));
    EXPECT_FALSE(CCoordinateCalculate_Matrix(2, 3).InvertGaussJordan());

    std::vector<QString> messages;
    const MessageHandler old = SetMessageHandler([&](const QString& text, const QString&, MessageKind) {
        messages.push_back(text);
        return MessageAnswer::Ok;
    });
    CCoordinateMatrix m(2);
    for (int k = 0; k < 4; ++k) m.SetData(k, singular[k]);
    EXPECT_TRUE(m.Reverse().IsEmpty());
    EXPECT_TRUE((~CCoordinateMatrix(2, 3)).IsEmpty());
    SetMessageHandler(old);
    EXPECT_EQ(messages.size(), 2u);
}
