' The launch of menu-launcher written as a script, for the benchmark only: the same host
' calls in the same order, but a script keeps its references, so it asks for the
' application, the menu groups and each group once instead of walking the chain anew.
'   wine cscript //nologo launch.vbs MENUFILE
' Ends with the launcher's statuses: 0 ran to its end, 3 no AutoCAD, 4 another release.
Option Explicit

Const ClassId = "AutoCAD.Application.21"
Const ReleaseNumber = "21.0"
Const TrustedEntry = "C:\Morlavent\2017;"

Dim menuFile, app, doc, groups, group, bars, bar, trusted, name, i, j, lastGroup, lastBar

If WScript.Arguments.Count < 1 Then
  WScript.Echo "usage: cscript //nologo launch.vbs MENUFILE"
  Finish 64
End If
menuFile = WScript.Arguments(0)

' Gives the host its references back before the end, as a program that ends does: a host
' started for this script ends with its last reference.
Sub Finish(status)
  Set bar = Nothing
  Set bars = Nothing
  Set group = Nothing
  Set groups = Nothing
  Set doc = Nothing
  Set app = Nothing
  WScript.Quit status
End Sub

On Error Resume Next

' Attach to a running host, else start one.
Set app = GetObject(, ClassId)
If Err.Number <> 0 Then
  Err.Clear
  Set app = CreateObject(ClassId)
End If
If Err.Number = 0 Then app.Visible = True
If Err.Number = 0 Then Set doc = app.ActiveDocument
If Err.Number <> 0 Then
  WScript.Echo "connection failed: " & Err.Number & " " & Err.Description
  Finish 3
End If
If doc Is Nothing Then
  WScript.Echo "no drawing open"
  Finish 3
End If

If Left(doc.GetVariable("ACADVER"), 4) <> ReleaseNumber Then
  WScript.Echo "another release"
  Finish 4
End If
Err.Clear

' Trusted folders: left alone when the read fails.
trusted = doc.GetVariable("TRUSTEDPATHS")
If Err.Number = 0 Then
  If Len(trusted) = 0 Then
    doc.SetVariable "TRUSTEDPATHS", TrustedEntry
  ElseIf InStr(1, trusted, TrustedEntry, vbBinaryCompare) = 0 Then
    doc.SetVariable "TRUSTEDPATHS", trusted & ";" & TrustedEntry
  End If
End If
Err.Clear

' The menu group: load, then find the first "MORLAVENT" and its first "Morlavent" toolbar.
Set groups = app.MenuGroups
groups.Load menuFile
Err.Clear
lastGroup = groups.Count - 1
If Err.Number <> 0 Then lastGroup = -1
Err.Clear
For i = 0 To lastGroup
  Set group = Nothing
  Set group = groups.Item(i)
  name = ""
  If Not group Is Nothing Then name = group.Name
  If Err.Number = 0 Then
    If name = "MORLAVENT" Then
      group.Menus.InsertMenuInMenuBar "Morlavent", ""
      Err.Clear
      Set bars = group.Toolbars
      lastBar = bars.Count - 1
      If Err.Number <> 0 Then lastBar = -1
      Err.Clear
      For j = 0 To lastBar
        Set bar = Nothing
        Set bar = bars.Item(j)
        name = ""
        If Not bar Is Nothing Then name = bar.Name
        If Err.Number = 0 Then
          If name = "Morlavent" Then
            bar.Visible = True
            Exit For
          End If
        End If
        Err.Clear
      Next
      Exit For
    End If
  End If
  Err.Clear
Next
Err.Clear

' The menu bar: switched on when off.
If doc.GetVariable("MENUBAR") = 0 Then doc.SetVariable "MENUBAR", 1
Finish 0
