Creator "me"
Version 1
