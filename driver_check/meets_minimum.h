#pragma once

// Compares two delimited number strings, such as driver dates or versions, field by field from
// the left: returns 1 when `installed` is at least `required` over the first `count` fields,
// 0 when it falls short. Every character of `separators` separates fields. A field that a
// string lacks counts as 0. Makes no platform call.
int MeetsMinimum(const char* installed, const char* required, const char* separators, int count);
