#pragma once
#include <string>

#include "host/AutomationError.h"
#include "host/AutomationObject.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu {

// The layer's current failure report. Every failing operation below sets it.
extern AutomationError FailureReport;

// Records a failure that the layer raises itself: the system's text and the application title.
void RaiseFailure(int32_t number);

// Operations of the automation layer. Each returns false after setting FailureReport.
bool AttachRunning(const std::wstring& class_id, AutomationValue& result);
bool CreateInstance(const std::wstring& class_id, AutomationValue& result);
bool Get(const ObjectRef& object, const std::wstring& member, AutomationArgs args,
         AutomationValue& result);
bool Call(const ObjectRef& object, const std::wstring& member, AutomationArgs args);
bool Put(const ObjectRef& object, const std::wstring& member, AutomationValue value);

// Get, then take the result as an object reference.
bool GetObject(const ObjectRef& object, const std::wstring& member, AutomationArgs args,
               ObjectRef& result);

// Conversions that report a failure like any other action.
bool TakeObject(const AutomationValue& value, ObjectRef& result);
bool TakeText(const AutomationValue& value, std::wstring& result);
bool TakeInt16(const AutomationValue& value, int16_t& result);
bool TakeDouble(const AutomationValue& value, double& result);

// The class identifier of the edition's AutoCAD release.
std::wstring AutoCadClassId();

}  // namespace MorlaventMenu
