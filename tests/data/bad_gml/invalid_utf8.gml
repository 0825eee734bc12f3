graph [
  node [ id 1 label "ÿ" ]
]
