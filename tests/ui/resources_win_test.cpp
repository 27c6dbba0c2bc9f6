// The resources of the built program, read back from the file as the shell
// reads them: the version block and the icon group.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/error_trap.h"
#include "program_run.h"
#include "ui/appearance.h"

namespace {

using namespace testing_support;

TEST(ProgramResources, CarryTheVersionBlock) {
    const std::wstring program = ProgramPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The strings, in the language the translation table names.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"Kestrelon"},        {L"ProductName", L"Inboxhop"},
        {L"InternalName", L"Inboxhop"},        {L"OriginalFilename", L"Inboxhop.exe"},
        {L"FileVersion", L"7.00"},             {L"ProductVersion", L"7.00"},
    };
    for (const auto& s : strings) {
        SCOPED_TRACE(testing::Message() << s.name);
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), (std::wstring(prefix) + s.name).c_str(), reinterpret_cast<void**>(&value),
                              &length));
        EXPECT_EQ(std::wstring(value), s.value);
    }
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;  // the entries follow
};
#pragma pack(pop)

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
    names->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name)) : name);
    return TRUE;
}

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    // A resource's bytes; empty when there is none.
    std::string Resource(LPCWSTR name, LPCWSTR type) const {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return data ? std::string(data, SizeofResource(module_, found)) : std::string();
    }

    HMODULE module_ = nullptr;
};

TEST_F(ProgramFile, CarriesTheIconGroupFirstWithItsFourImages) {
    // The shell shows the first icon group: ours must be the only one, by id.
    std::vector<std::wstring> groups;
    EnumResourceNamesW(module_, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_EQ(groups, std::vector<std::wstring>{L"#" + std::to_wstring(inboxhop::kProgramIconId)});

    std::string group = Resource(MAKEINTRESOURCEW(inboxhop::kProgramIconId), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(GroupIconDir));
    const auto* dir = reinterpret_cast<const GroupIconDir*>(group.data());
    EXPECT_EQ(dir->type, 1);
    ASSERT_EQ(dir->count, 4);
    ASSERT_GE(group.size(), sizeof(GroupIconDir) + 4 * sizeof(GroupIconEntry));
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group.data() + sizeof(GroupIconDir));

    std::set<std::tuple<int, int>> sizesAndDepths;
    for (int i = 0; i < dir->count; ++i) {
        const GroupIconEntry& e = entries[i];
        const int size = e.width == 0 ? 256 : e.width;
        SCOPED_TRACE(testing::Message() << size << " x " << size);
        EXPECT_EQ(e.height, e.width);
        sizesAndDepths.insert({size, e.bitCount});
        std::string image = Resource(MAKEINTRESOURCEW(e.id), RT_ICON);
        ASSERT_EQ(image.size(), e.bytesInRes);
        if (size >= 128) {
            // Stored as PNG (32 bits a pixel), which Windows reads at any
            // size: as bitmaps the two large images would be most of the
            // program's size.
            ASSERT_GE(image.size(), 24u);
            EXPECT_EQ(image.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
            auto big = [&](size_t at) {
                return (static_cast<unsigned char>(image[at]) << 24) | (static_cast<unsigned char>(image[at + 1]) << 16) |
                       (static_cast<unsigned char>(image[at + 2]) << 8) | static_cast<unsigned char>(image[at + 3]);
            };
            EXPECT_EQ(big(16), static_cast<unsigned>(size));  // IHDR width and height
            EXPECT_EQ(big(20), static_cast<unsigned>(size));
        } else {
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
            EXPECT_EQ(header->biWidth, size);
            EXPECT_EQ(header->biHeight, 2 * size);  // colour rows and mask rows
            EXPECT_EQ(header->biBitCount, e.bitCount);
        }
    }
    EXPECT_EQ(sizesAndDepths, (std::set<std::tuple<int, int>>{{256, 32}, {128, 32}, {48, 32}, {32, 24}}));

    // The system can make icons of it at the sizes the window asks for.
    for (int size : {16, 32, 48, 256}) {
        HANDLE icon = LoadImageW(module_, MAKEINTRESOURCEW(inboxhop::kProgramIconId), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST_F(ProgramFile, ItsIconBecomesTheWindowsBigAndSmallIcons) {
    HWND window = CreateWindowExW(0, L"STATIC", L"icons", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    inboxhop::SetWindowIcons(window, module_, inboxhop::kProgramIconId);
    const struct {
        WPARAM which;
        int sizeMetric;
    } icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& i : icons) {
        SCOPED_TRACE(testing::Message() << "icon " << i.which);
        auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, i.which, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(i.sizeMetric));
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    // No such icon: a failure, and the window keeps what it had.
    HANDLE before = reinterpret_cast<HANDLE>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    EXPECT_THROW(inboxhop::SetWindowIcons(window, module_, 999), inboxhop::Failure);
    EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), before);
    DestroyWindow(window);
}

}  // namespace
