// exact_math.h -- sine, cosine and arc tangent made of operations IEEE 754 rounds exactly
//
// A recorded game must play the same wherever it is played, and C libraries differ in the last
// bit of a sine or an arc tangent: one system's library against another's, and even one library
// that picks other code on a processor with fused multiply-add. These use only + - * / on
// doubles, which every IEEE 754 machine rounds alike, in double-double arithmetic (a value held
// as the unevaluated sum of two doubles, about 106 bits), and round to a double once at the end.
// The result is the correctly rounded double unless the exact value lies within about 2^-100 of
// itself from halfway between two. So they also agree with the desktop's C library wherever that
// one rounds correctly, which is all but about one input in several thousand.
//
// The error terms vanish if the compiler fuses a multiplication and an addition: every build
// compiles with -ffp-contract=off, and never with -ffast-math.
#pragma once

// For |x| up to 2^20 (the heading tables need 0 to 6.3); NaN beyond, and for an infinity or NaN.
double ExactSin(double x);
double ExactCos(double x);
// For every double.
double ExactAtan(double x);
