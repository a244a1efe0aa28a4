#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "plumbing/RaisedError.h"

// Runs `call` and checks that it raises the program's error with this number
// and description, raised from this test program.
template <typename Call>
void ExpectRaised(Call&& call, std::uint32_t number, const std::string& description) {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << std::hex << number;
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.Number(), number) << std::hex << error.Number();
        EXPECT_EQ(error.Source(), "plumbing_tests.WindowProc");
        EXPECT_EQ(error.Description(), description);
    }
}
