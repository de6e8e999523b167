' String building with &.
Dim s, i
s = ""
For i = 1 To 300000
  s = s & "x" & (i Mod 10)
Next
WScript.Echo Len(s)
