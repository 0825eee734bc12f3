graph [
  [ id 1 ]
]
