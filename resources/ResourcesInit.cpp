// The resource data itself is linked in by qt_add_resources; this unit only
// gives the library a body so that programs can link it like any other.
namespace tarnwell_resources_anchor {
int Linked() { return 1; }
}  // namespace tarnwell_resources_anchor
