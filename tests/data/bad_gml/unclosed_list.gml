graph [
  node [ id 1 ]
  node [ id 2
