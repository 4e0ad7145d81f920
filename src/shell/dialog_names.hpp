// Names of the dialog "veltrosan" and of its components, as the installed
// dialog resource has them.
#pragma once

namespace veltrosan::names {

inline constexpr char kDialog[] = "veltrosan";  // also the name of its resource
inline constexpr char kCtiValue[] = "CtiValue";
inline constexpr char kAttributeTable[] = "AttributeTable";
inline constexpr char kAttributeName[] = "AttributeName";      // template of the name fields
inline constexpr char kAttributeType[] = "AttributeType";      // template of the type menus
inline constexpr char kAttributeRemove[] = "AttributeRemove";  // template of the remove buttons
inline constexpr char kAttributeAdd[] = "AttributeAdd";
inline constexpr char kDeleteVtq[] = "DeleteVTQ";
inline constexpr char kExport[] = "Export";
inline constexpr char kCancel[] = "Cancel";

// Per-row components: the prefix followed by the row number in decimal.
inline constexpr char kRowPrefix[] = "veltrosanRow";
inline constexpr char kNamePrefix[] = "veltrosanName";
inline constexpr char kTypePrefix[] = "veltrosanType";
inline constexpr char kDeletePrefix[] = "veltrosanDelete";

}  // namespace veltrosan::names
