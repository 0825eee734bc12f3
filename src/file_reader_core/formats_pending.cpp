// Stand-ins for the GML, GraphML, GEXF and edge-list readers and writers until
// their own files are part of the build; this file goes when they arrive.
#include "file_reader_core/formats.hpp"

namespace mivora {
namespace {

[[noreturn]] void not_built(const char* format) { throw FormatNotBuilt(std::string(format) + " format not built"); }

}  // namespace

__attribute__((weak)) _Graph read_gml(ByteSource&, const ReadOptions&, ReadNotes&) { not_built("GML"); }
__attribute__((weak)) _Graph read_graphml(ByteSource&, const ReadOptions&, ReadNotes&) { not_built("GraphML"); }
__attribute__((weak)) _Graph read_gexf(ByteSource&, const ReadOptions&, ReadNotes&) { not_built("GEXF"); }
__attribute__((weak)) _Graph read_edgelist(ByteSource&, const ReadOptions&, ReadNotes&) { not_built("edge list"); }
__attribute__((weak)) void write_gml(const _Graph&, CheckedWriter&, const WriteOptions&) { not_built("GML"); }
__attribute__((weak)) void write_graphml(const _Graph&, CheckedWriter&, const WriteOptions&) { not_built("GraphML"); }
__attribute__((weak)) void write_gexf(const _Graph&, CheckedWriter&, const WriteOptions&) { not_built("GEXF"); }
__attribute__((weak)) void write_edgelist(const _Graph&, CheckedWriter&, const WriteOptions&) { not_built("edge list"); }

}  // namespace mivora
