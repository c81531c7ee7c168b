#include "SiblingLibrary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// An address inside the C math library, which lives beside the C library.
const void* mathLibraryAnchor() { return dlsym(RTLD_DEFAULT, "cos"); }

TEST(SiblingLibrary, LoadedLibrariesAreSeenWithoutLoading) {
    EXPECT_TRUE(fnd::libraryLoaded("libc.so.6"));
    EXPECT_FALSE(fnd::libraryLoaded("libno-such-part.so"));
}

TEST(SiblingLibrary, LoadsFromTheFolderOfTheAnchorsLibrary) {
    ASSERT_NE(mathLibraryAnchor(), nullptr);
    const std::string path = fnd::siblingPath(mathLibraryAnchor(), "libc.so.6");
    ASSERT_EQ(path.front(), '/') << path;
    EXPECT_EQ(path.substr(path.find_last_of('/')), "/libc.so.6");

    void* library = fnd::openSibling(mathLibraryAnchor(), "libc.so.6");
    ASSERT_NE(library, nullptr) << dlerror();
    using Strlen = std::size_t(const char*);
    Strlen* length = fnd::librarySymbol<Strlen>(library, "strlen");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("four"), 4u);
    EXPECT_EQ(fnd::librarySymbol<Strlen>(library, "no_such_function"), nullptr);
    dlclose(library);
}

TEST(SiblingLibrary, AMissingSiblingOrAnchorGivesNothing) {
    EXPECT_EQ(fnd::openSibling(mathLibraryAnchor(), "libno-such-part.so"), nullptr);
    EXPECT_EQ(fnd::openSibling(nullptr, "libc.so.6"), nullptr);
    EXPECT_EQ(fnd::siblingPath(nullptr, "libc.so.6"), "");
    EXPECT_EQ(fnd::librarySymbol<void()>(nullptr, "strlen"), nullptr);
}

}  // namespace
