// One unpacker of the compression module (the key comes from the build:
// FUZZ_CODEC_KEY), created through the plugin factory as the readers create
// it. Eight leading bytes configure it: "Columns" (16 bits), "Rows" (16
// bits), "FixedBits" (8 bits) and the unpacked size expected (20 of 24 bits); the
// rest is the packed data. Besides not crashing, a successful unpack must
// produce no more than was asked for and consume no more than it was given.

#include "FuzzSupport.h"

#include <Compression/Codecs.h>
#include <Compression/I_Compression.h>

#include <RTE/Parameter.h>
#include <RTE/Plugin.h>

#include <limits>
#include <memory>

namespace
{
void AddInteger(RTE::Parameter::C_Tree& tree, const char* name, std::int64_t value)
{
  tree.Add(RTE::Parameter::CreateInteger(name, "", "", 2, value, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max(),
                                         RTE::Parameter::C_Integer::EditorSpinBox));
}

std::shared_ptr<Compression::I_Compression> CreateCodec()
{
  static const bool registered = (Compression::RegisterCodecs(), true);
  (void)registered;
  std::shared_ptr<RTE::I_Plugin> plugin =
      RTE::C_PluginFactory::GetInstance().Create(Compression::kPluginName, FUZZ_CODEC_KEY);
  auto codec = std::dynamic_pointer_cast<Compression::I_Compression>(plugin);
  if (!codec)
    std::abort();
  return codec;
}

[[noreturn]] void Finding(const char* what)
{
  std::fprintf(stderr, "%s: %s\n", FUZZ_CODEC_KEY, what);
  std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  if (size < 8)
    return 0;
  const auto codec = CreateCodec();
  auto parameters = RTE::Parameter::CreateTree();
  AddInteger(*parameters, "Columns", data[0] | data[1] << 8);
  AddInteger(*parameters, "Rows", data[2] | data[3] << 8);
  AddInteger(*parameters, "FixedBits", data[4]);
  // Up to 1 MiB: enough for every packed size up to the longest input, and
  // small enough that a run does not spend its time on big allocations.
  const std::uint64_t expected = (data[5] | data[6] << 8 | std::uint64_t(data[7]) << 16) & 0xFFFFF;
  const std::uint64_t packedSize = size - 8;
  Fuzz::Refusable(
      [&]
      {
        codec->SetParameter(parameters);
        // As the readers do: room for what the packed form of `expected` bytes may need.
        (void)codec->GetMaxPackedSize(expected);
        std::unique_ptr<std::uint8_t[]> destination(new std::uint8_t[expected + 1]);
        std::uint64_t produced = expected;
        const int result = codec->Unpack(data + 8, packedSize, destination.get(), produced);
        if (result != 0)
        {
          if (!codec->GetErrorText(result))
            Finding("error without text");
          return;
        }
        if (produced > expected)
          Finding("produced more than the destination holds");
        const auto after = codec->GetParameter();
        const auto consumed =
            after ? boost::dynamic_pointer_cast<RTE::Parameter::C_Integer>(after->Get("Size")) : nullptr;
        if (consumed && (consumed->GetValue() < 0 || std::uint64_t(consumed->GetValue()) > packedSize))
          Finding("consumed more than it was given");
      });
  return 0;
}
