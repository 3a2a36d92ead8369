' Can this script host attach to a running AutoCAD the way a script does it on Windows?
'   wine cscript //nologo getobject.vbs
' Prints the failure number and text of GetObject(, "AutoCAD.Application.21"); ends with
' 0 when it attached, 1 when it did not.
Option Explicit
Dim app
On Error Resume Next
Set app = GetObject(, "AutoCAD.Application.21")
WScript.Echo Err.Number & vbTab & Err.Description
If Err.Number = 0 Then
  Set app = Nothing
  WScript.Quit 0
End If
WScript.Quit 1
