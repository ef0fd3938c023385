// Attribute trees of buffers and frames, addressed by dotted paths: strings,
// numbers, planes (as numpy arrays) and scales, both ways.
#include "Handles.h"

#include <pybind11/stl.h>

using namespace BufferApi;

namespace BufferPython
{
py::tuple ScaleTuple(const I_Scale* scale)
{
  if (!scale)
    return py::make_tuple(1.0, 0.0, py::str(""), py::str(""));
  const I_Unit* unit = scale->GetUnit();
  return py::make_tuple(scale->GetFactor(), scale->ToWorld(0.0), Latin1ToPython(unit ? unit->GetSymbol() : ""),
                        Latin1ToPython(scale->GetDescription()));
}

I_Scale* MakeScale(double factor, double offset, const py::handle& unit, const py::handle& description)
{
  I_Scale* scale = C_ScaleFactory::GetInstance().CreateLinearScale(factor, offset, PythonToLatin1(unit),
                                                                   PythonToLatin1(description));
  if (!scale)
    throw py::value_error("the scale could not be created");
  return scale;
}

namespace
{
I_AttributeBase* Find(const Attributes& owner, const std::string& path)
{
  return owner.buffer ? owner.buffer->FindAttribute(path) : owner.frame->FindAttribute(path);
}

I_AttributeBase* Root(const Attributes& owner)
{
  return owner.buffer ? owner.buffer->GetAttributeRoot() : owner.frame->GetAttributeRoot();
}

void Delete(const Attributes& owner, const std::string& path)
{
  if (owner.buffer)
    owner.buffer->DeleteAttribute(path);
  else
    owner.frame->DeleteAttribute(path);
}

I_AttributeBase* Create(const Attributes& owner, const std::string& path, E_AttributeType type)
{
  I_AttributeBase* made =
      owner.buffer ? owner.buffer->CreateAttribute(path, type) : owner.frame->CreateAttribute(path, type);
  if (!made)
    throw py::value_error("attribute " + path + " could not be created");
  return made;
}

template <typename T>
T& As(I_AttributeBase* attribute)
{
  T* typed = dynamic_cast<T*>(attribute);
  if (!typed)
    throw py::type_error("attribute " + attribute->GetName() + " is not of its declared type");
  return *typed;
}

py::object Value(I_AttributeBase* attribute)
{
  switch (attribute->GetType())
  {
  case AttrDouble:
    return py::float_(As<I_Attribute<double>>(attribute).GetValue());
  case AttrFloat:
    return py::float_(As<I_Attribute<float>>(attribute).GetValue());
  case AttrInt32:
    return py::int_(As<I_Attribute<int>>(attribute).GetValue());
  case AttrUInt32:
    return py::int_(As<I_Attribute<unsigned>>(attribute).GetValue());
  case AttrUInt16:
    return py::int_(As<I_Attribute<unsigned short>>(attribute).GetValue());
  case AttrString:
    return Latin1ToPython(As<I_Attribute<std::string>>(attribute).GetValue());
  case AttrPlane:
  {
    const I_PlaneBase* plane = As<I_AttributePlane>(attribute).GetPlane();
    return plane ? py::object(PlaneCopy(*plane)) : py::object(py::none());
  }
  case AttrScale:
    return ScaleTuple(As<I_AttributeScale>(attribute).GetScale());
  case AttrNode:
    break;
  }
  throw py::key_error(attribute->GetName() + " is a group of attributes, not a value");
}

void CollectPaths(const I_AttributeBase& node, const std::string& prefix, py::list& paths)
{
  std::vector<I_AttributeBase*> children;
  node.GetChildren(children);
  for (const I_AttributeBase* child : children)
  {
    const std::string path = prefix.empty() ? child->GetName() : prefix + "." + child->GetName();
    if (child->GetType() != AttrNode)
      paths.append(Latin1ToPython(path));
    CollectPaths(*child, path, paths);
  }
}

py::list Paths(const Attributes& owner)
{
  py::list paths;
  if (const I_AttributeBase* root = Root(owner))
    CollectPaths(*root, "", paths);
  return paths;
}

py::object Get(const Attributes& owner, const py::handle& path)
{
  I_AttributeBase* attribute = Find(owner, PythonToLatin1(path));
  if (!attribute)
    throw py::key_error(py::str(path));
  return Value(attribute);
}

void Remove(const Attributes& owner, const py::handle& path)
{
  const std::string text = PythonToLatin1(path);
  if (!Find(owner, text))
    throw py::key_error(py::str(path));
  Delete(owner, text);
}

//! Stores value under path as an attribute of the given type (the Python
//! layer chooses the type); an attribute already there is replaced.
void Set(const Attributes& owner, const py::handle& pathObject, int typeCode, const py::handle& value, int elementType)
{
  const std::string path = PythonToLatin1(pathObject);
  const auto type = static_cast<E_AttributeType>(typeCode);
  if (Find(owner, path))
    Delete(owner, path);
  switch (type)
  {
  case AttrDouble:
    As<I_Attribute<double>>(Create(owner, path, type)).SetValue(value.cast<double>());
    return;
  case AttrFloat:
    As<I_Attribute<float>>(Create(owner, path, type)).SetValue(value.cast<float>());
    return;
  case AttrInt32:
    As<I_Attribute<int>>(Create(owner, path, type)).SetValue(value.cast<int>());
    return;
  case AttrUInt32:
    As<I_Attribute<unsigned>>(Create(owner, path, type)).SetValue(value.cast<unsigned>());
    return;
  case AttrUInt16:
    As<I_Attribute<unsigned short>>(Create(owner, path, type)).SetValue(value.cast<unsigned short>());
    return;
  case AttrString:
    As<I_Attribute<std::string>>(Create(owner, path, type)).SetValue(PythonToLatin1(value));
    return;
  case AttrPlane:
  {
    auto array = py::reinterpret_borrow<py::array>(value);
    const auto width = static_cast<unsigned>(array.shape(1)), height = static_cast<unsigned>(array.shape(0));
    const auto element = static_cast<E_DataType>(elementType);
    I_AttributePlane* attribute = owner.buffer ? owner.buffer->CreateAttributePlane(path, width, height, element)
                                               : owner.frame->CreateAttributePlane(path, width, height, element);
    if (!attribute || !attribute->GetPlane())
      throw py::value_error("plane attribute " + path + " could not be created");
    CopyIntoPlane(array, *attribute->GetPlane());
    return;
  }
  case AttrScale:
  {
    auto scale = value.cast<py::tuple>();
    As<I_AttributeScale>(Create(owner, path, type))
        .SetScale(MakeScale(scale[0].cast<double>(), scale[1].cast<double>(), scale[2], scale[3]));
    return;
  }
  case AttrNode:
    break;
  }
  throw py::value_error("unsupported attribute type " + std::to_string(typeCode));
}
} // namespace

void BindAttributes(py::module_& module)
{
  py::class_<Attributes>(module, "Attributes", "The attribute tree of a buffer or frame, by dotted path.")
      .def("paths", &Paths, "The paths of every value attribute, depth first.")
      .def("get", &Get, py::arg("path"), "The value at path; KeyError when absent.")
      .def("set", &Set, py::arg("path"), py::arg("type"), py::arg("value"), py::arg("element_type") = 0,
           "Stores value at path as an attribute of the given E_AttributeType code.")
      .def("delete", &Remove, py::arg("path"), "Removes the attribute at path; KeyError when absent.")
      .def(
          "contains",
          [](const Attributes& owner, const py::handle& path)
          {
            const I_AttributeBase* attribute = Find(owner, PythonToLatin1(path));
            return attribute != nullptr && attribute->GetType() != AttrNode;
          },
          py::arg("path"));
}

} // namespace BufferPython
