#include <gtest/gtest.h>

#include "common/SharedLibrary.h"

using namespace gantry;

namespace {

TEST(SharedLibrary, LoadsAndResolvesExportedNamesOnly) {
    CSharedLibrary library;
    ASSERT_TRUE(library.Open(SAMPLE_LIBRARY_PATH)) << library.Error();
    auto answer = library.Resolve<int (*)()>("SampleAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(library.Symbol("SampleHidden"), nullptr) << "hidden symbols are not exported";
    EXPECT_NE(library.Error().find("SampleHidden"), std::string::npos) << library.Error();

    CSharedLibrary moved(std::move(library));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    moved.Close();
    EXPECT_FALSE(moved.IsOpen());
}

TEST(SharedLibrary, MissingFileKeepsTheLoaderText) {
    CSharedLibrary library;
    EXPECT_FALSE(library.Open("libDoesNotExist-gantry.so"));
    EXPECT_FALSE(library.IsOpen());
    EXPECT_NE(library.Error().find("libDoesNotExist-gantry.so"), std::string::npos)
        << library.Error();
    EXPECT_EQ(library.Symbol("anything"), nullptr);
}

}  // namespace
