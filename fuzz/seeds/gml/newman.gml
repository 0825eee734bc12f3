Creator "Mark Newman on Fri Jul 21 12:39:27 2006"
graph
[
  node
  [
    id 1
  ]
  node
  [
    id 2
  ]
  node
  [
    id 3
  ]
  edge
  [
    source 2
    target 1
    value 2.5
  ]
  edge
  [
    source 3
    target 1
  ]
]
