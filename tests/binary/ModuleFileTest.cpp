// The built file as the dynamic linker sees it: its exported symbols, the
// libraries it needs, and that it loads where no logging hook is exported.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "LoadedModule.h"

namespace plugintest {
namespace {

struct DynamicInfo {
  std::set<std::string> defined;    // exported symbols
  std::set<std::string> weakRefs;   // weak references left to the loader
  std::vector<std::string> needed;  // DT_NEEDED entries
};

// Reads .dynsym and .dynamic of a 32-bit or 64-bit ELF file of the build's
// byte order, with every read bounds-checked.
template <typename Ehdr, typename Shdr, typename Sym, typename Dyn>
DynamicInfo ReadDynamic(const std::vector<char>& file) {
  auto read = [&file](size_t offset, auto* out) {
    if (offset > file.size() || file.size() - offset < sizeof *out) throw std::out_of_range("ELF");
    memcpy(out, file.data() + offset, sizeof *out);
  };
  auto text = [&file](size_t offset) {
    return offset < file.size() ? std::string(file.data() + offset,
                                              strnlen(file.data() + offset, file.size() - offset))
                                : std::string();
  };
  Ehdr header;
  read(0, &header);
  std::vector<Shdr> sections(header.e_shnum);
  for (size_t i = 0; i < sections.size(); ++i)
    read(header.e_shoff + i * header.e_shentsize, &sections[i]);
  DynamicInfo info;
  for (const Shdr& section : sections) {
    const size_t strings = sections.at(section.sh_link).sh_offset;
    for (size_t at = 0; section.sh_type == SHT_DYNSYM && at < section.sh_size; at += sizeof(Sym)) {
      Sym symbol;
      read(section.sh_offset + at, &symbol);
      if (symbol.st_name == 0) continue;
      if (symbol.st_shndx != SHN_UNDEF)
        info.defined.insert(text(strings + symbol.st_name));
      else if ((symbol.st_info >> 4) == STB_WEAK)
        info.weakRefs.insert(text(strings + symbol.st_name));
    }
    for (size_t at = 0; section.sh_type == SHT_DYNAMIC && at < section.sh_size; at += sizeof(Dyn)) {
      Dyn entry;
      read(section.sh_offset + at, &entry);
      if (entry.d_tag == DT_NEEDED) info.needed.push_back(text(strings + entry.d_un.d_val));
    }
  }
  return info;
}

DynamicInfo ReadModuleFile() {
  std::ifstream stream(RUVO_PLUGIN_PATH, std::ios::binary);
  const std::vector<char> file{std::istreambuf_iterator<char>(stream),
                               std::istreambuf_iterator<char>()};
  if (file.size() < EI_NIDENT || memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
    ADD_FAILURE() << "not an ELF file: " << RUVO_PLUGIN_PATH;
    return {};
  }
  if (file[EI_CLASS] == ELFCLASS32)
    return ReadDynamic<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym, Elf32_Dyn>(file);
  return ReadDynamic<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym, Elf64_Dyn>(file);
}

TEST(ModuleFile, ExportsOnlyTheEntryPointsAndTheBrowserTable) {
  EXPECT_EQ(ReadModuleFile().defined,
            (std::set<std::string>{"NP_Initialize", "NP_Shutdown", "NP_GetValue",
                                   "NP_GetMIMEDescription", "NPP_Initialize", "NPP_Shutdown",
                                   "NPP_GetMIMEDescription", "NPNFuncs"}));
}

TEST(ModuleFile, NeedsNothingBeyondTheSystemButZorClient) {
  // The C and C++ runtimes, and the sanitizers' in sanitizer builds.
  const char* const system[] = {"libc.so",    "libm.so",       "libstdc++.so", "libgcc_s.so",
                                "ld-linux",   "libpthread.so", "libdl.so",     "librt.so",
                                "libasan.so", "libubsan.so",   "libtsan.so"};
  std::set<std::string> platform;
  for (const std::string& name : ReadModuleFile().needed) {
    bool isSystem = false;
    for (const char* prefix : system) isSystem = isSystem || name.rfind(prefix, 0) == 0;
    if (!isSystem) platform.insert(name);
  }
  EXPECT_EQ(platform, std::set<std::string>{"libZorClient.so"});
}

TEST(ModuleFile, LoadsIntoAProcessThatExportsNoLoggingHook) {
  ASSERT_EQ(dlsym(RTLD_DEFAULT, "weWebKitPrint"), nullptr)
      << "this program must not export the hook";
  EXPECT_TRUE(LoadedModule::Get().Loaded()) << LoadedModule::Get().Error();
  EXPECT_EQ(ReadModuleFile().weakRefs.count("weWebKitPrint"), 1u)
      << "the hook must be referenced weakly";
}

}  // namespace
}  // namespace plugintest
